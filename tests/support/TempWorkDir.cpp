#include "tests/support/TempWorkDir.h"

#include <QDir>

TempWorkDir::TempWorkDir()
    : previous(QDir::currentPath())
{
    if (dir.isValid())
        QDir::setCurrent(dir.path());
}

TempWorkDir::~TempWorkDir()
{
    QDir::setCurrent(previous);
}
