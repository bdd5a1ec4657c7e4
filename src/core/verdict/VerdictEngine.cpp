#include "verdict/VerdictEngine.h"
