# Sources of the toolkit: the portable ones never include <windows.h> and are
# built natively too; the Win32 ones are thin shells over the API.
set(TOOLKIT_PORTABLE_SOURCES
  toolkit/errors/messages.cpp
  toolkit/errors/error_state.cpp
  toolkit/startup/config.cpp
  toolkit/utilities/text.cpp
  toolkit/utilities/command_line.cpp
  toolkit/utilities/system_path.cpp
  toolkit/utilities/path_text.cpp
  toolkit/windows/field_info.cpp
  toolkit/windows/message_box_style.cpp
  toolkit/graphics/graphics_state.cpp
  toolkit/graphics/picture_recognition.cpp
  toolkit/graphics/picture_bmp.cpp
  toolkit/graphics/picture_pcx.cpp
)

set(TOOLKIT_WIN32_SOURCES
  toolkit/errors/report_win.cpp
  toolkit/startup/startup.cpp
  toolkit/utilities/files.cpp
  toolkit/utilities/os_dirs.cpp
  toolkit/utilities/os_info.cpp
  toolkit/utilities/os_time.cpp
  toolkit/utilities/os_execute.cpp
  toolkit/utilities/later_calls.cpp
  toolkit/windows/root_state.cpp
  toolkit/windows/root_window.cpp
  toolkit/windows/backing_store.cpp
  toolkit/windows/dialogs.cpp
  toolkit/windows/dialog_show.cpp
  toolkit/windows/dialog_fields.cpp
  toolkit/windows/events.cpp
  toolkit/windows/message_box.cpp
  toolkit/windows/directory_browser.cpp
  toolkit/graphics/drawing.cpp
  toolkit/graphics/pictures.cpp
)

# The installer: portable routines (script line handling, colours, records)
# and the Windows ones.
set(INSTALLER_PORTABLE_SOURCES
  installer/driver/install_state.cpp
  installer/driver/install_log_core.cpp
  installer/driver/install_pass_core.cpp
  installer/system/text_scan.cpp
  installer/system/lz_expand.cpp
  installer/system/system_lines.cpp
  installer/system/system_steps_core.cpp
  installer/system/undo_record.cpp
  installer/script/install_plan.cpp
  installer/script/script_lines.cpp
  installer/script/script_reader.cpp
  installer/script/script_parser_core.cpp
  installer/ui/band_colours.cpp
  installer/ui/directory_rules.cpp
  installer/pages/picture_placement.cpp
)

set(INSTALLER_WIN32_SOURCES
  installer/driver/installer_main.cpp
  installer/driver/install_log.cpp
  installer/driver/install_pass.cpp
  installer/driver/change_record.cpp
  installer/script/script_parser.cpp
  installer/system/file_helpers.cpp
  installer/system/system_steps.cpp
  installer/system/shortcuts.cpp
  installer/system/variables.cpp
  installer/system/cleanup.cpp
  installer/system/undo_system.cpp
  installer/ui/background.cpp
  installer/ui/directory_page.cpp
  installer/pages/pages.cpp
)
