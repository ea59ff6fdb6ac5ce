// The core never talks to the person: it cannot even name the interface.
#include "person/interaction.h"
