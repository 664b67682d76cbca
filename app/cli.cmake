find_package(nlohmann_json REQUIRED)
# The command-line program and the pieces it shares with the window (device choice, connection rules).
orven_add_library(orven_app_session
  SOURCES device_environment.cpp device_choice.cpp session.cpp
  LIBS orven_app_core orven_programmer orven_sim orven_link_hidapi orven_firmware orven_chipcfg)

orven_add_library(orven_tormik_cli
  SOURCES cli.cpp cli_options.cpp cli_fuse.cpp cli_data_file.cpp
  LIBS orven_app_session orven_chipcfg nlohmann_json::nlohmann_json)

add_executable(tormik-cli tormik_cli_main.cpp)
target_link_libraries(tormik-cli PRIVATE orven_options orven_tormik_cli)
