#include "context/program_context.h"

namespace pelmo {

ProgramContext::ProgramContext(QString folderPath, Prompts& prompts)
    : folder(std::move(folderPath)), routed_(prompts) {
    link.build.image = &station;
    link.tx = &tx;
    link.rx = &rx;
    link.statistics = &statistics;
}

}  // namespace pelmo
