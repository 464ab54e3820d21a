# Settings, access modes and the shell's dialogs. Widget tests run offscreen.
pelmo_add_test_suite(test_shell
    files/settings_ini_test.cpp
    files/program_settings_test.cpp
    ui/field_check_test.cpp
    ui/access_mode_test.cpp
    ui/settings_dialog_test.cpp
    ui/shell_windows_test.cpp
    ui/sound_test.cpp
    support/recording_hosts.h
)
target_link_libraries(test_shell PRIVATE pelmo_ui)
target_compile_definitions(test_shell PRIVATE PELMO_TEST_WIDGETS)
