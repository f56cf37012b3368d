#include "flash/embedded_image.h"
