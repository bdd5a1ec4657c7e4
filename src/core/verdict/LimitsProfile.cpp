#include "verdict/LimitsProfile.h"
