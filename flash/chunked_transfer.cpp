#include "flash/chunked_transfer.h"
