#include "platform/free_memory.h"

#include <malloc.h>

namespace tobu {

void ReturnFreeMemory() {
    malloc_trim(0);
}

} // namespace tobu
