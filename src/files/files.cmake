# Settings file and the widget-free logic of the shell's dialogs. Paths are relative to
# src/, the folder that includes this file.
target_sources(pelmo_core PRIVATE
    files/settings_ini.cpp files/settings_ini.h
    files/program_settings.cpp files/program_settings.h
    ui/field_check.cpp ui/field_check.h
    ui/access_mode.cpp ui/access_mode.h
    ui/version.cpp ui/version.h
    ui/sound.cpp ui/sound.h
)
