// A core file may not know the entry list.
#include "editor/entry_list_model.h"
