// A platform file may not know the table model.
#include "model/text_table.h"
