#pragma once

// Everything a window built on the framework uses.

#include "duilib/Button.h"
#include "duilib/Combo.h"
#include "duilib/Container.h"
#include "duilib/Control.h"
#include "duilib/DialogBuilder.h"
#include "duilib/DuiRect.h"
#include "duilib/DuiString.h"
#include "duilib/Edit.h"
#include "duilib/Label.h"
#include "duilib/Layouts.h"
#include "duilib/List.h"
#include "duilib/Option.h"
#include "duilib/PaintManager.h"
#include "duilib/RichEdit.h"
#include "duilib/ScrollBar.h"
#include "duilib/TreeView.h"
#include "duilib/Types.h"
#include "duilib/Utils.h"
#include "duilib/Window.h"
#include "duilib/WindowImplBase.h"
