#pragma once
// The framework layer in one include.

#include "Button.h"
#include "Dialog.h"
#include "Edit.h"
#include "FrameWnd.h"
#include "FrameworkIds.h"
#include "ListCtrl.h"
#include "MessageBox.h"
#include "ProgressCtrl.h"
#include "PropertyPage.h"
#include "PropertySheet.h"
#include "Static.h"
#include "StatusBar.h"
#include "UniqueHandle.h"
#include "WinApp.h"
