#include "platform/gorsey/ParamSrf.h"

CParamSrfFinish::CParamSrfFinish() : m_dTopHeight(0.0), m_dCutDepth(0.0) {
  std::memset(static_cast<void*>(&m_block), 0, sizeof(m_block));
}
int CParamSrfFinish::GetType() const { return kParamSrfFinish; }
CNCData* CParamSrfFinish::Copy() const { return new CParamSrfFinish(*this); }

CParamSrfRough::CParamSrfRough() : m_dTopHeight(0.0), m_dCutDepth(0.0) {
  std::memset(static_cast<void*>(&m_block), 0, sizeof(m_block));
}
int CParamSrfRough::GetType() const { return kParamSrfRough; }
CNCData* CParamSrfRough::Copy() const { return new CParamSrfRough(*this); }
