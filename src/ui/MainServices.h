// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/MainWindowPresenter.h"

// Everything the main window needs from outside, as its presenter takes it: main() hands in the real
// services, tests hand in doubles. The numbers' format is the window's own (the toolkit knows the locale).
using MainServices = MainWindowPresenter::Services;
