#include "platform/backend.h"
#include "shell/driver.h"

int main()
{
    registerBuiltInResources();
    return runDemo();
}
