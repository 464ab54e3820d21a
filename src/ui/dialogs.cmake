# The shell's dialogs: settings, password, modifications, about and wait windows. Paths are
# relative to src/, the folder that includes this file.
target_sources(pelmo_ui PRIVATE
    ui/shell_hosts.h
    ui/settings_dialog_logic.cpp ui/settings_dialog_logic.h
    ui/settings_dialog.cpp ui/settings_dialog.h ui/settings_dialog.ui
    ui/password_form.cpp ui/password_form.h ui/password_form.ui
    ui/debug_info_form.cpp ui/debug_info_form.h ui/debug_info_form.ui
    ui/about_box.cpp ui/about_box.h ui/about_box.ui
    ui/program_icon.cpp ui/program_icon.h
    ui/please_wait.cpp ui/please_wait.h ui/please_wait.ui
)
