// The layout tables of the layer pages (templates 213 "Edit Layer" and 218 "Layer Select").
#pragma once

// Registers both templates (again is harmless).
void RegisterLayerTemplates();
