#include "base/prompts.h"

#include "base/texts.h"

namespace pelmo {

void reportGeneralError(Prompts& where, const char* tag) {
    where.error(txt(kTextGeneralError) + QString::fromLatin1(tag));
}

}  // namespace pelmo
