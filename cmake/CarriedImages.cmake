# The firmware images the program carries, embedded under their catalogue resource ids.
#
# By default tools/imagegen writes them at build time into <build>/images. With
# -DFLASH_UPDATER_IMAGE_DIR=<folder> the build embeds real S-record files from that folder
# instead: one file per resource id, named <id>.s19 (1011.s19, 1012.s19, 1019.s19 ... 1024.s19),
# each an upper-case S-record text with CRLF line ends smaller than the program's text buffer.
#
# Defines `flash_carried_image_texts` (the texts are up to date) and FLASH_CARRIED_IMAGES_ASM
# (the assembler file that holds them); the texts are pulled in with .incbin, so megabytes of
# data never pass through the C++ compiler.

set(FLASH_UPDATER_IMAGE_DIR "" CACHE PATH
    "Embed the real S-record files <id>.s19 of this folder instead of the generated images")
set(FLASH_CARRIED_IMAGE_IDS 1011 1012 1019 1020 1021 1022 1023 1024)

if(FLASH_UPDATER_IMAGE_DIR)
  get_filename_component(image_dir "${FLASH_UPDATER_IMAGE_DIR}" ABSOLUTE)
else()
  set(image_dir ${CMAKE_BINARY_DIR}/images)
endif()

set(image_files "")
foreach(id IN LISTS FLASH_CARRIED_IMAGE_IDS)
  list(APPEND image_files ${image_dir}/${id}.s19)
endforeach()

if(FLASH_UPDATER_IMAGE_DIR)
  foreach(file IN LISTS image_files)
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "FLASH_UPDATER_IMAGE_DIR: ${file} is missing")
    endif()
  endforeach()
  add_custom_target(flash_carried_image_texts)
else()
  if(CMAKE_CROSSCOMPILING)
    # The generator must run here, so it is built for the build machine as a project of its own.
    include(ExternalProject)
    set(host_dir ${CMAKE_BINARY_DIR}/imagegen-host)
    set(generator ${host_dir}/imagegen${CMAKE_HOST_EXECUTABLE_SUFFIX})
    ExternalProject_Add(imagegen_host
      SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/imagegen
      BINARY_DIR ${host_dir}
      CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS ${generator})
    set(generator_dependency imagegen_host ${generator})
  else()
    set(generator $<TARGET_FILE:imagegen>)
    set(generator_dependency imagegen)
  endif()
  add_custom_command(OUTPUT ${image_files}
    COMMAND ${generator} ${image_dir}
    DEPENDS ${generator_dependency}
    COMMENT "Writing the carried firmware images"
    VERBATIM)
  add_custom_target(flash_carried_image_texts DEPENDS ${image_files})
endif()

set(CARRIED_TEXTS "")
set(CARRIED_ROWS "")
list(LENGTH FLASH_CARRIED_IMAGE_IDS CARRIED_COUNT)
foreach(id IN LISTS FLASH_CARRIED_IMAGE_IDS)
  string(APPEND CARRIED_TEXTS "carried_text_${id}:\n    .incbin \"${image_dir}/${id}.s19\"\ncarried_text_${id}_end:\n")
  string(APPEND CARRIED_ROWS "    .quad ${id}, carried_text_${id}, carried_text_${id}_end - carried_text_${id}\n")
endforeach()
set(FLASH_CARRIED_IMAGES_ASM ${CMAKE_BINARY_DIR}/src/images/CarriedImages.S)
configure_file(${CMAKE_SOURCE_DIR}/src/images/CarriedImages.S.in ${FLASH_CARRIED_IMAGES_ASM} @ONLY)
