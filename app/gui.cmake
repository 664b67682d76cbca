# The programming window: its toolkit-free logic, the Qt dialogs and the `tormik` program.
orven_add_library(orven_app_window_logic
  SOURCES main_window_logic.cpp firmware_check.cpp
  LIBS orven_app_session orven_chipcfg orven_firmware)

orven_add_library(orven_app_window
  SOURCES main_window_dlg.cpp sel_chip_dlg.cpp
  LIBS orven_app_window_logic orven_hexview_widget orven_chipcfg_dlg Qt6::Widgets)
set_target_properties(orven_app_window PROPERTIES AUTOMOC ON)

add_executable(tormik tormik_main.cpp)
target_link_libraries(tormik PRIVATE orven_options orven_app_window)
