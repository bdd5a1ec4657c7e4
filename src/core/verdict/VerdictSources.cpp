#include "verdict/VerdictSources.h"
