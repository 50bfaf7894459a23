#pragma once

// The class of the console program's hidden window, which takes the end of the user's session
// (WM_QUERYENDSESSION, WM_ENDSESSION) as the console's control handler takes a console close.
inline constexpr const wchar_t* kSessionWindowClass = L"FlashUpdaterCliSession";
