// The serial classes of every library the archive fuzz target links, by stored class name.
// The target checks at start-up that each is registered (a library that was not loaded would
// silently shrink what is fuzzed) and that no other serial class is (a class added to a library
// but not here would get no seed), and the corpus generator stores one of each.
#pragma once

inline constexpr const char* kSerialClasses[] = {
    // afx
    "CObList",
    // vurode
    "CTool", "CTCylindrical", "CTConnic", "CTBall", "CTBull",
    // geometry: 2D shapes
    "CLayer", "CGeLine", "CGeArc", "CGeCircle", "CGeEllipse", "CGeBezier", "CGePolyline",
    "CGeCombCurve", "CGeLoop",
    // geometry: 3D shapes
    "CGePoint3d", "CGeLine3d", "CGeArc3d", "CGePolyline3d", "CGeCombCurve3d", "CGeOffsetCrv3d",
    "CGeNrbCrv3d",
    // geometry: surfaces and grids
    "CGeMesh", "CGeTrimBnd", "CGeTrimLoop", "CGeTrimSurf", "CGeGrid", "CRlfLayer",
    // drawing database: entities
    "CDbCurve", "CDbCurveList", "CDbCurve3d", "CDbImage", "CDbPathUnit", "CDbPathGroup", "CDbAidLine",
};
