// The few texts the framework shows itself. The framework belongs to no product: the application
// hands its own texts over once at start-up; until then these plain English ones are shown.
#pragma once
#include <string>

struct FrameworkTexts {
    std::string messageBoxCaption;                                        // the framework's own boxes
    std::string integerExpected = "Please enter an integer.";             // a number field held text
    std::string positiveIntegerExpected = "Please enter a positive integer.";
    std::string integerRange = "Please enter an integer between %1 and %2.";  // %1, %2: the bounds
    std::string debugPrefix;  // starts the debugger line written for a stopped callback exception
};

const FrameworkTexts& frameworkTexts();
void setFrameworkTexts(FrameworkTexts texts);
