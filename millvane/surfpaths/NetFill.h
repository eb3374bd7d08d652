// Filling the protect net from the tool-centre model: every face and strip quad is rasterised
// onto the nodes, vertices lying on nodes are entered, and the cutter is stood on every sharp
// point. Heights only ever rise.
#pragma once

class CMillCenter;
class CProtectNet;

// Raises the nodes under the planar polygon (n vertex pointers, three doubles each) to its
// height there.
void RasterPolygonOnNet(CProtectNet& net, const double* const* v, int n);
// Raises the node that (x, y) lies on (within 0.0001) to z.
void EnterVertexOnNet(CProtectNet& net, const double p[3]);

// 1 when filled; 0 for no model, an empty net, or a cancel request (polled per face table and
// strip).
int FillProtectNet(CProtectNet& net, const CMillCenter* model);
