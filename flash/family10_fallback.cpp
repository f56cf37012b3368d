#include "flash/family10_fallback.h"
