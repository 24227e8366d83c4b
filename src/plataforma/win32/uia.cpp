// O cliente real de UI Automation.

#include "plataforma/win32/uia_com.hpp"
