// Window-free logic may not know a dialog.
#include "editor/edit_text_dlg.h"
