#include "display/panel_surfaces.h"

PanelSurfaces panelSurfaces;
HCURSOR handCursor;
