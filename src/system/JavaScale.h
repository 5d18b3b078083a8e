// The scale Java's windows draw at, which the live display follows (JavaScale.cpp).
#pragma once

#include <string>

// A sun.java2d.uiScale value as Java reads it: a number, optionally followed by "x", "%" (of
// 100) or "dpi" (of 96); 0 for anything else.
double JavaScaleFromProperty(const std::string& value);
// The scale the Java VM in this process asks its windows to draw at; 0 when there is no VM or
// it names none. Any thread; a thread that is not attached to the VM is attached for the look.
double JavaWindowScale();
