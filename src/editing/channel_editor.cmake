# Channel definition and linearization table editors, their table files and the channel
# upload. Paths are relative to src/, the folder that includes this file.
# The meter editor lists decimal_text in pelmo_ops as well; a source listed twice in one
# target is built once.
target_sources(pelmo_ops PRIVATE
    ui/decimal_text.cpp ui/decimal_text.h
    files/table_file.cpp files/table_file.h
    editing/number_field.cpp editing/number_field.h
    editing/channel_definition_logic.cpp editing/channel_definition_logic.h
    editing/lin_table_logic.cpp editing/lin_table_logic.h
    operations/channel_upload.cpp operations/channel_upload.h
)
target_sources(pelmo_ui PRIVATE
    editing/channel_definition.cpp editing/channel_definition.h editing/channel_definition.ui
    editing/lin_table.cpp editing/lin_table.h editing/lin_table.ui
)
