#include "UniqueHandle.h"
