// Opens a document with its associated program (ShellExecuteA "open", shown normally).
#pragma once
#include "report/Shell.h"

class CShellOpen : public IShell {
public:
    void openDocument(const std::string& path) override;
};
