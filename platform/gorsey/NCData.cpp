#include "platform/gorsey/NCData.h"

CNCData::~CNCData() = default;
int CNCData::GetType() const { return kNCData; }
CNCData* CNCData::Copy() const { return new CNCData(*this); }
