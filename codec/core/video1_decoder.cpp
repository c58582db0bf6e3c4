#include "video1.h"
