# Header-only libraries from Debian's packages, found through their CMake packages. A cross-build
# must not take their include folder, the build machine's /usr/include, whose C library headers
# are not the cross-compiler's: there the library's own header folder is copied into the build
# folder and the imported target points at the copy.
function(flash_header_only_package package target header_folder)
  find_package(${package} CONFIG REQUIRED)
  if(NOT CMAKE_CROSSCOMPILING)
    return()
  endif()
  get_target_property(includes ${target} INTERFACE_INCLUDE_DIRECTORIES)
  foreach(folder IN LISTS includes)
    if(EXISTS ${folder}/${header_folder})
      set(copy ${CMAKE_BINARY_DIR}/package-headers/${package})
      file(COPY ${folder}/${header_folder} DESTINATION ${copy})
      set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${copy})
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "${package}: no ${header_folder} in its include folders (${includes})")
endfunction()
