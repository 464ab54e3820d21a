#pragma once

#include <QTemporaryDir>

#include "context/program_context.h"
#include "scripted_prompts.h"

namespace pelmo::test {

// A program context for a test without the simulated bus: its folder is a temporary one and
// its boxes go to scripted prompts.
struct TestProgram {
    QTemporaryDir folder;
    ScriptedPrompts prompts;
    ProgramContext context{folder.path(), prompts};
};

}  // namespace pelmo::test
