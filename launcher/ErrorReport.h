#pragma once
#include <exception>

// The report of an error nothing caught: a task-modal "Application Error" box naming the
// error's class and this program's module, ending with the error's own text.
void ShowUncaughtError(const std::exception& error);
void ShowUncaughtError();  // an error of no known kind
