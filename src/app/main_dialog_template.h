// Template 102: the main dialog's controls in dialog units.
#pragma once

#include "app/dialog_layout.h"

const DialogTemplate& MainDialogTemplate();
