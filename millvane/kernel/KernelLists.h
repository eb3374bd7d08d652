// The surface kernel's growable array record, the tool-centre facet table and the doubly linked
// trace-node lists. All memory comes from KX_MemAlloc.
#pragma once

#include <cstdint>

enum : int {
  ARR_POINTS = 1,
  ARR_VECTORS = 2,
  ARR_PARAMS = 4,
  ARR_WORDS = 8,
};

struct ARR_Array {
  int32_t count;
  double (*points)[3];
  double (*vectors)[3];
  double* params;
  uint64_t* words;
};

// Null when count <= 0 or any requested array cannot be allocated (nothing is kept then).
ARR_Array* ARR_New(int count, int flags);
int ARR_Free(ARR_Array* array);

// Vertex node of the tool-centre model: nine doubles.
struct _facetnode {
  double v[9];
};

struct _facet {
  int32_t nodeCount;
  _facetnode* nodes;
  int32_t facetCount;
  int32_t (*facets)[3];
  int32_t flag;
  void* user;  // freed with the table when set
};

// a facets, b nodes; null (nothing left allocated) when an allocation fails.
_facet* FACET_New(int a, int b);
int FACET_Free(_facet* table);

// Node of the kernel's point lists used while tracing and tessellating.
struct LST_Node {
  LST_Node* prev;
  LST_Node* next;
  int32_t mark[3];
  double point[3];
  double vector[3];  // the unit tangent in tessellation
  int32_t flag;
  double uvA[2];     // in tessellation uvA[0] is the curve parameter
  double uvB[2];
  double rates[4];
  double extra[2];
};

// New unlinked node; a null point or vector gives zeros. Null when allocation fails.
LST_Node* LST_NewNode(double uA, double vA, double uB, double vB, const double point[3],
                      const double vector[3]);
// New node linked in front of head; returns it (null on allocation failure, list unchanged).
LST_Node* LST_PushNode(LST_Node* head, double uA, double vA, double uB, double vB,
                       const double point[3], const double vector[3]);
// Links node in front of head; returns the new head.
LST_Node* LST_LinkFront(LST_Node* node, LST_Node* head);
// Appends chain at the end of head's list; returns the head of the joined list.
LST_Node* LST_AppendChain(LST_Node* head, LST_Node* chain);
// Inserts node after `after`.
void LST_InsertAfter(LST_Node* after, LST_Node* node);
// Takes node out of the list; returns the new head. The node is not freed.
LST_Node* LST_Unlink(LST_Node* head, LST_Node* node);
// Frees every node from head along the next links; returns null.
LST_Node* LST_FreeChain(LST_Node* head);
// Copy with the links cleared; null on allocation failure.
LST_Node* LST_CopyNode(const LST_Node* node);
// Turns the node round: vector, rates and the last double negated.
void LST_ReverseNode(LST_Node* node);
// Frees every node whose point lies within tol of an earlier node's point; returns the head.
LST_Node* LST_RemoveDuplicates(LST_Node* head, double tol);
int LST_Count(const LST_Node* head);
