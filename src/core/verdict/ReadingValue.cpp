#include "verdict/ReadingValue.h"
