#include "verdict/EquipmentList.h"
