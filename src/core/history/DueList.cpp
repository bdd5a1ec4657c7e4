#include "history/DueList.h"
