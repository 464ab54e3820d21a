#include "context/program_context.h"

namespace pelmo {

ProgramContext::ProgramContext(QString folderPath, Prompts& prompts)
    : folder(std::move(folderPath)), prompts_(&prompts) {
    link.build.image = &station;
    link.build.prompts = &prompts;
    link.tx = &tx;
    link.rx = &rx;
    link.statistics = &statistics;
}

void ProgramContext::setPrompts(Prompts& prompts) {
    prompts_ = &prompts;
    link.build.prompts = &prompts;
}

}  // namespace pelmo
