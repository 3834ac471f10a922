#include "station/FileWorkScope.h"

namespace {

int heldScopes = 0;

} // namespace

FileWorkScope::FileWorkScope()
{
    ++heldScopes;
}

FileWorkScope::~FileWorkScope()
{
    --heldScopes;
}

bool FileWorkScope::active()
{
    return heldScopes > 0;
}
