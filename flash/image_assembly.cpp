#include "flash/image_assembly.h"
