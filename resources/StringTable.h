// The plug-in's texts by string-resource number.
#pragma once
#include <string>

// The text of string resource `id`, or "" when the table has no such string.
std::string loadString(int id);
