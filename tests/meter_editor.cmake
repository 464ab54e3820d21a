# Meter definition editor and memory distribution window: logic and widgets (offscreen).
pelmo_add_test_suite(test_meter_editor
    editing/meter_definition_logic_test.cpp
    editing/meter_definition_test.cpp
    operations/memory_info_test.cpp
)
target_link_libraries(test_meter_editor PRIVATE pelmo_ui)
target_compile_definitions(test_meter_editor PRIVATE PELMO_TEST_WIDGETS)
