#ifndef RESOURCES_RESOURCES_H
#define RESOURCES_RESOURCES_H

// Registers the embedded icons (":/Close.png", ":/slideru.png", ...). They live in a static
// library, whose registration the linker would drop unless something calls it: call once at
// start-up, before the first ":/" picture is read.
void initResources();

#endif
