#include "driver/NovitusTexts.h"

void* hLib = nullptr;
TMLgExtTools* LgLink = nullptr;
