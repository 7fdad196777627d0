// The one definition of the GUIDs annalex.idl declares (the header widl makes from it declares
// them; with INITGUID it defines them).

#include <initguid.h>

#include "platform/annalex.h"
