# Meter definition editor and memory distribution window. Paths are relative to src/, the
# folder that includes this file.
target_sources(pelmo_ops PRIVATE
    ui/decimal_text.cpp ui/decimal_text.h
    editing/meter_definition_logic.cpp editing/meter_definition_logic.h
    operations/memory_info_logic.cpp operations/memory_info_logic.h
)
target_sources(pelmo_ui PRIVATE
    editing/meter_definition.cpp editing/meter_definition.h editing/meter_definition.ui
    operations/memory_info.cpp operations/memory_info.h operations/memory_info.ui
)
