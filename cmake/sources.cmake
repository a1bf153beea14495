# Sources of the toolkit: the portable ones never include <windows.h> and are
# built natively too; the Win32 ones are thin shells over the API.
set(TOOLKIT_PORTABLE_SOURCES
  toolkit/errors/messages.cpp
  toolkit/errors/error_state.cpp
  toolkit/startup/config.cpp
  toolkit/utilities/text.cpp
  toolkit/utilities/command_line.cpp
  toolkit/utilities/system_path.cpp
  toolkit/graphics/picture_format.cpp
)

set(TOOLKIT_WIN32_SOURCES
  toolkit/errors/report_win.cpp
  toolkit/startup/startup.cpp
  toolkit/utilities/files.cpp
  toolkit/utilities/os_dirs.cpp
  toolkit/utilities/os_info.cpp
  toolkit/utilities/os_time.cpp
  toolkit/utilities/os_execute.cpp
  toolkit/windows/root_state.cpp
)
