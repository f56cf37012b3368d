#include "flash/write_and_verify.h"
