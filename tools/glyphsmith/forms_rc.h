// Names of the form layer's window classes, shared by the resource scripts
// and the code.
#pragma once

#define FORMS_RAISED_PANEL_CLASS "FormsRaisedPanel"
