# Channel and table editors, table files and the channel upload. Widget tests run offscreen.
pelmo_add_test_suite(test_channel_editor
    editing/channel_definition_logic_test.cpp
    editing/lin_table_logic_test.cpp
    files/table_file_test.cpp
    operations/channel_upload_test.cpp
    editing/channel_editor_widgets_test.cpp
    editing/edit_program_read_test.cpp
)
target_link_libraries(test_channel_editor PRIVATE pelmo_ui pelmo_sim)
target_compile_definitions(test_channel_editor PRIVATE PELMO_TEST_WIDGETS)
