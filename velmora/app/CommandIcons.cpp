#include "velmora/app/CommandIcons.h"

#include "platform/afx/CommandImage.h"
#include "platform/afx/DocView.h"
#include "platform/afx/Print.h"
#include "velmora/commands/CommandIds.h"
#include "velmora/shell/KxTabWnd.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstring>

namespace velmora::app {
namespace {

// Shapes used by several icons.
#define LENS "<circle cx='10' cy='10' r='6'/><path d='M14.5 14.5 20 20'/>"
#define LAYERS "<path d='M12 4 21 9l-9 5-9-5z'/><path d='M3 14l9 5 9-5'/>"
#define ARROW "<path fill='#ffffff' d='M6 3v15l4-4 3 7 2-1-3-7h6z'/>"
#define SHEET "<rect x='3' y='3' width='18' height='18' rx='1'/>"

constexpr UINT kStrip = CKxWndTab::kFirstToolId;

const CommandIcon kIcons[] = {
    // ---- view ----
    {ID_VIEW_ZOOM_IN_MENU, LENS "<path ACC d='M7 10h6M10 7v6'/>"},
    {ID_VIEW_ZOOM_OUT_MENU, LENS "<path ACC d='M7 10h6'/>"},
    {ID_VIEW_ZOOM_DYNAMIC, LENS "<path ACC d='M10 6.5v7M8 8.5l2-2 2 2M8 11.5l2 2 2-2'/>"},
    {ID_VIEW_PAN, "<path d='M12 5v14M5 12h14'/><path ACC d='M9 5l3-3 3 3M9 19l3 3 3-3M5 9l-3 3 3 3M19 9l3 3-3 3'/>"},
    {ID_VIEW_ZOOM_WINDOW,
     "<rect x='3' y='3' width='13' height='10' stroke-dasharray='2 2'/><circle ACC cx='15' cy='15' r='4'/>"
     "<path ACC d='M18 18l3 3'/>"},
    {ID_VIEW_FIT_ALL, "<path d='M3 8V3h5M16 3h5v5M21 16v5h-5M8 21H3v-5'/><rect ACC x='8' y='8' width='8' height='8'/>"},
    {ID_VIEW_FIT_PAGE, "<path d='M6 3h9l4 4v14H6z'/><path d='M15 3v4h4'/><path ACC d='M9 13h7M9 13l2-2M9 13l2 2M16 13l-2-2M16 13l-2 2'/>"},
    {ID_VIEW_PREV, "<path d='M5 9a8 8 0 1 1 1 7'/><path ACC d='M5 3v6h6'/>"},
    {ID_VIEW_ROTATE, "<path d='M12 4l7 4v8l-7 4-7-4V8zM5 8l7 4 7-4M12 12v8'/><path ACC d='M2 14a10 4 0 0 0 20 0M19 18l3-4 1 4'/>"},
    {ID_VIEW_3D, "<path d='M12 3l8 4.5v9L12 21l-8-4.5v-9zM4 7.5l8 4.5 8-4.5M12 12v9'/><path ACF d='M12 3l8 4.5L12 12 4 7.5z'/>"},
    // ---- editing modes ----
    {ID_MODE_SELECTION, ARROW},
    {ID_MODE_NODE, "<path d='M2 19c3-9 9-11 13-6'/><rect ACF x='13' y='11' width='4' height='4'/><rect ACF x='1' y='17' width='3' height='3'/>"
                   "<path fill='#ffffff' d='M12 3v9l2.3-2.3 1.8 3.8 1.5-.7-1.8-3.8H19z'/>"},
    {ID_MODE_TEXT, "<path d='M4 5h12M10 5v14M7 19h6'/><path ACC d='M19 8v13M17 8h4M17 21h4'/>"},
    {ID_MODE_SYMBOL_LIBRARY,
     "<rect x='4' y='3' width='15' height='18' rx='1'/><path d='M8 3v18'/>"
     "<path ACC d='M13.5 7.5l1.1 2.3 2.5.4-1.8 1.8.4 2.5-2.2-1.2-2.3 1.2.5-2.5-1.8-1.8 2.5-.4z'/>"},
    // ---- file ----
    {ID_FILE_NEW, "<path d='M6 3h8l5 5v13H6z'/><path d='M14 3v5h5'/><path ACC d='M9 15h6M12 12v6'/>"},
    {ID_FILE_OPEN, "<path d='M3 19V5h6l2 2h8v3'/><path ACC d='M3 19l3-8h16l-3 8z'/>"},
    {ID_FILE_SAVE, "<path d='M4 4h13l3 3v13H4z'/><path d='M8 4v5h8V4'/><rect ACC x='7' y='13' width='10' height='7'/>"},
    {ID_FILE_SAVE_AS, "<path d='M3 4h12l3 3v5M3 4v16h8'/><path d='M7 4v5h7V4'/><path ACC d='M13 21l1-3 6-6 2 2-6 6z'/>"},
    {ID_FILE_IMPORT, "<path d='M13 3h6v18H5v-7'/><path ACC d='M3 3l9 9M12 6v6H6'/>"},
    {ID_FILE_EXPORT, "<path d='M11 3H5v18h14v-6'/><path ACC d='M11 13l10-10M15 3h6v6'/>"},
    {ID_FILE_PRINT, "<path d='M7 9V3h10v6'/><rect x='3' y='9' width='18' height='8' rx='1'/><rect ACC x='7' y='14' width='10' height='7'/>"},
    {ID_FILE_PRINT_PREVIEW, "<path d='M12 21H5V3h9l4 4v5'/><circle ACC cx='16' cy='16' r='3.5'/><path ACC d='M18.5 18.5 21 21'/>"},
    // ---- edit ----
    {ID_EDIT_CUT, "<path d='M8.5 15.5 18 3M15.5 15.5 6 3'/><circle ACC cx='6' cy='18' r='3'/><circle ACC cx='18' cy='18' r='3'/>"},
    {ID_EDIT_COPY, "<path d='M16 8V3H4v13h4'/><rect ACC x='8' y='8' width='12' height='13'/>"},
    {ID_EDIT_PASTE, "<path d='M8 5H5v16h14V5h-3'/><rect x='8' y='3' width='8' height='4' rx='1'/><path ACC d='M9 12h6M9 16h6'/>"},
    {ID_EDIT_UNDO, "<path d='M4 9h10a6 6 0 0 1 0 12h-3'/><path ACC d='M9 14 4 9l5-5'/>"},
    {ID_EDIT_REDO, "<path d='M20 9H10a6 6 0 0 0 0 12h3'/><path ACC d='M15 14l5-5-5-5'/>"},
    // ---- drawing ----
    {ID_DRAW_POINT, "<path d='M12 3v6M12 15v6M3 12h6M15 12h6'/><circle ACF cx='12' cy='12' r='2.2'/>"},
    {ID_DRAW_LINE, "<path d='M5 19 19 5'/><circle ACF cx='5' cy='19' r='2'/><circle ACF cx='19' cy='5' r='2'/>"},
    {ID_DRAW_RECT, "<rect x='4' y='6' width='16' height='12'/><circle ACF cx='4' cy='6' r='1.8'/><circle ACF cx='20' cy='18' r='1.8'/>"},
    {ID_DRAW_POLYGON, "<path d='M12 3l7.8 4.5v9L12 21l-7.8-4.5v-9z'/><circle ACF cx='12' cy='12' r='1.8'/>"},
    {ID_DRAW_STAR, "<path ACC d='M12 3l2.6 5.6 6.1.7-4.5 4.2 1.2 6-5.4-3-5.4 3 1.2-6-4.5-4.2 6.1-.7z'/>"},
    {ID_DRAW_CIRCLE, "<circle cx='12' cy='12' r='8'/><circle ACF cx='12' cy='12' r='1.8'/><path ACC d='M12 12h8'/>"},
    {ID_DRAW_ARC, "<path d='M4 18a9 9 0 0 1 16 0'/><circle ACF cx='4' cy='18' r='2'/><circle ACF cx='20' cy='18' r='2'/>"},
    {ID_DRAW_ELLIPSE, "<ellipse cx='12' cy='12' rx='9.5' ry='5.5'/><circle ACF cx='12' cy='12' r='1.8'/>"},
    {ID_DRAW_SPLINE, "<path d='M3 18C7 2 14 22 21 6'/><path ACC d='M3 18 7 6M21 6l-4 12'/><circle ACF cx='7' cy='6' r='1.6'/><circle ACF cx='17' cy='18' r='1.6'/>"},
    {ID_DRAW_POLYLINE, "<path d='M3 19l5-10 5 6 4-11 4 6'/><circle ACF cx='8' cy='9' r='1.6'/><circle ACF cx='13' cy='15' r='1.6'/><circle ACF cx='17' cy='4' r='1.6'/>"},
    {ID_DRAW_HAND, "<path d='M3 19c3-3 4 2 7 0s3-4 5-2'/><path ACC d='M14 13l6-6 2 2-6 6-3 1z'/>"},
    {ID_DRAW_DOUBLE_POLYLINE, "<path d='M3 15l6-8 6 6 6-8'/><path ACC d='M3 20l6-8 6 6 6-8'/>"},
    {ID_DRAW_COMBINE_CURVE, "<path d='M3 19h8'/><path ACC d='M11 19a7 7 0 0 0 7-7V4'/><circle ACF cx='11' cy='19' r='1.8'/>"},
    {ID_DRAW_EQUATION, "<path d='M3 12h18M5 3v18'/><path ACC d='M5 12c2-8 4-8 6 0s4 8 6 0 2-5 4-5'/>"},
    // ---- text ----
    {ID_TEXT_RAPID_INPUT, "<path d='M3 20 9 4l6 16M5.3 14h7.4'/><path ACC d='M19 5v15M17 5h4M17 20h4'/>"},
    {ID_TEXT_TO_CURVES, "<path d='M4 20 10 4l6 16M6.5 14h7'/><rect ACF x='8.5' y='2.5' width='3' height='3'/><rect ACF x='2.5' y='18.5' width='3' height='3'/><rect ACF x='14.5' y='18.5' width='3' height='3'/><path ACC d='M18 11h4M20 9v4'/>"},
    {ID_TEXT_ALONG_CURVE, "<path d='M3 20c4-11 14-11 18 0'/><path ACC d='M6 11l-2-3M10 8.5 9.5 5M14 8.5l.5-3.5M18 11l2-3'/>"},
    {ID_TEXT_SERIAL_NUMBER, "<path d='M3 8l2-2v12M3 18h4M9 8a2 2 0 0 1 4 0c0 3-4 5-4 10h4'/><path ACC d='M16 6h4l-2.5 4.5a3 3 0 1 1-2 5.5'/>"},
    {ID_TEXT_HOLLOW, "<path d='M3 21 10 3h4l7 18h-4l-2-5H9l-2 5z'/><path ACC d='M10 13h4l-2-6z'/>"},
    {ID_TEXT_REPLACE, "<path d='M3 12l3-8 3 8M4 9.5h4'/><path ACC d='M10 17h9M16 14l3 3-3 3'/><path d='M14 4h3.5a2 2 0 0 1 0 4H14zM14 8h4a2 2 0 0 1 0 4h-4z'/>"},
    {ID_TEXT_REVERSE, "<path d='M2 19 6 5l4 14M3.5 14h5'/><path d='M12 2v20' stroke-dasharray='2 2'/><path ACC d='M14 5l4 14 4-14M15.5 10h5'/>"},
    {ID_TEXT_SINGLE_STROKE, "<path d='M3 21 10 3h4l7 18h-4l-2-5H9l-2 5z' stroke-opacity='0.35'/><path ACC d='M5 21 12 4l7 17M8.5 13h7'/>"},
    // ---- node editing and curve editing ----
    {ID_CURVE_TRIM, "<path d='M4 20 20 4M4 4l8 8'/><path ACC d='M12 12l8 8' stroke-dasharray='2 2.5'/>"},
    {ID_CURVE_CLOSE, "<path d='M6 18C2 10 8 3 14 5s8 9 3 13'/><path ACC d='M6 18h11'/>"},
    {ID_CURVE_OFFSET, "<rect x='8' y='8' width='8' height='8' rx='1.5'/><rect ACC x='3' y='3' width='18' height='18' rx='5'/>"},
    {ID_CURVE_DEL_OVERLAY_LOOP, "<circle cx='9' cy='13' r='6'/><circle cx='13' cy='11' r='6' stroke-dasharray='2 2'/><path ACC d='M16 3l5 5M21 3l-5 5'/>"},
    {ID_CURVE_ARC_FIT, "<path d='M3 19l4-8 5-4 5 4 4 8' stroke-dasharray='1.5 2'/><path ACC d='M3 19a10 10 0 0 1 18 0'/>"},
    // ---- grouping, booleans, slices, nesting ----
    {ID_ARRANGE_GROUP, "<rect x='2' y='2' width='20' height='20' stroke-dasharray='2 2'/><circle cx='9' cy='9' r='3.5'/><rect ACC x='12' y='12' width='7' height='6'/>"},
    {ID_ARRANGE_UNGROUP, "<circle cx='7' cy='7' r='3.5'/><rect x='14' y='14' width='7' height='6'/><path ACC d='M21 3 3 21' stroke-dasharray='2 2'/>"},
    {ID_ARRANGE_BLOCK, "<path d='M12 3l8 4.5v9L12 21l-8-4.5v-9zM4 7.5l8 4.5 8-4.5M12 12v9'/><path ACF fill-opacity='0.7' d='M12 3l8 4.5L12 12 4 7.5z'/>"},
    {ID_ARRANGE_UNBLOCK, "<path d='M3 9l5-3 5 3-5 3z'/><path d='M3 9v6l5 3v-6'/><path ACC d='M15 11l6 3v6l-6-3zM16 4l4 2M14 6l-1 3'/>"},
    {ID_BOOL_JOIN, "<path ACF fill-opacity='0.35' d='M12 7.2A6 6 0 1 1 12 16.8 6 6 0 1 1 12 7.2z'/><circle cx='9' cy='12' r='6'/><circle cx='15' cy='12' r='6'/>"},
    {ID_SLICE_LINEAR, "<rect x='3' y='6' width='18' height='12'/><path ACC d='M8 3l8 18'/>"},
    {ID_SLICE_PARALLEL, "<rect x='3' y='4' width='18' height='16'/><path ACC d='M8 2v20M12 2v20M16 2v20'/>"},
    {ID_NEST_AUTO, SHEET "<rect ACC x='5' y='5' width='6' height='6'/><circle ACC cx='16' cy='8' r='3'/><path ACC d='M5 19l3-5 3 5zM13 14h6v5h-6z'/>"},
    {ID_NEST_INTERACTIVE, "<rect x='3' y='3' width='14' height='14' rx='1'/><rect ACC x='5' y='5' width='5' height='5'/><path fill='#ffffff' d='M12 10v11l3-3 2 4 1.6-.7-2-4H21z'/>"},
    // ---- transforming ----
    {ID_XFORM_MOVE, "<rect x='8' y='8' width='8' height='8'/><path ACC d='M12 2v4M10 4l2-2 2 2M12 22v-4M10 20l2 2 2-2M2 12h4M4 10l-2 2 2 2M22 12h-4M20 10l2 2-2 2'/>"},
    {ID_XFORM_MOVE_REL, "<rect x='3' y='12' width='8' height='8' stroke-dasharray='2 2'/><rect x='13' y='3' width='8' height='8'/><path ACC d='M8 12l6-5M11 6.5l3 .5-.5 3'/>"},
    {ID_XFORM_ROTATE, "<rect x='8' y='8' width='9' height='9' transform='rotate(20 12.5 12.5)'/><path ACC d='M3 13a9 9 0 0 1 15-7M18 2v4h-4'/>"},
    {ID_XFORM_MIRROR, "<path d='M12 2v20' stroke-dasharray='2 2'/><path d='M9 6 3 18h6z'/><path ACC d='M15 6l6 12h-6z'/>"},
    {ID_XFORM_SCALE, "<rect x='3' y='12' width='9' height='9'/><path d='M3 12V3h18v18h-9' stroke-dasharray='2 2'/><path ACC d='M9 15l10-10M14 5h5v5'/>"},
    {ID_XFORM_COPY_RECT, "<rect x='3' y='3' width='7' height='7'/><rect ACC x='14' y='3' width='7' height='7'/><rect ACC x='3' y='14' width='7' height='7'/><rect ACC x='14' y='14' width='7' height='7'/>"},
    {ID_XFORM_COPY_ALONG_CURVE, "<path d='M3 20C7 3 17 3 21 20' stroke-dasharray='2 2'/><rect x='1.5' y='14' width='4' height='4'/><rect ACC x='10' y='5' width='4' height='4'/><rect ACC x='18.5' y='14' width='4' height='4'/>"},
    {ID_XFORM_COPY_ALONG_LINE, "<path d='M3 21 21 3' stroke-dasharray='2 2'/><rect x='2' y='16' width='5' height='5'/><rect ACC x='9.5' y='9.5' width='5' height='5'/><rect ACC x='17' y='3' width='5' height='5'/>"},
    {ID_XFORM_COPY_ALONG_ARC, "<path d='M4 19A9 9 0 0 1 20 19' stroke-dasharray='2 2'/><rect x='2' y='17' width='4' height='4'/><rect ACC x='10' y='8' width='4' height='4'/><rect ACC x='18' y='17' width='4' height='4'/>"},
    {ID_XFORM_COPY_ALONG_SPIRAL, "<path d='M12 12a2 2 0 0 1 4 0 4 4 0 0 1-8 0 6 6 0 0 1 12 0 8 8 0 0 1-16 0' stroke-dasharray='2 2'/><rect ACC x='14' y='10' width='3.5' height='3.5'/><rect ACC x='2.5' y='10' width='3.5' height='3.5'/>"},
    {ID_XFORM_PERSPECTIVE, "<path d='M7 4h10l4 16H3z'/><path ACC d='M12 4v16M5 12h14'/>"},
    {ID_XFORM_ENVELOPE, "<path d='M3 6c4-3 10 3 18 0v12c-4 3-10-3-18 0z'/><path ACC d='M3 12c6-3 12 3 18 0'/>"},
    {ID_XFORM_PUSH_PULL, "<path d='M12 3l2 6 7-2-5 5 5 5-7-2-2 6-2-6-7 2 5-5-5-5 7 2z'/><circle ACF cx='12' cy='12' r='2'/>"},
    {ID_XFORM_TWIST, "<path d='M12 12a1.5 1.5 0 0 1 3 0 4.5 4.5 0 0 1-9 0 7.5 7.5 0 0 1 15 0'/><path ACC d='M21 12l1.5-3M21 12l-3-1.5'/>"},
    {ID_XFORM_SHEAR, "<rect x='3' y='7' width='12' height='10' stroke-dasharray='2 2'/><path ACC d='M9 7h12l-6 10H3z'/>"},
    // ---- aligning ----
    {ID_ALIGN_LEFT, "<path ACC d='M4 2v20'/><rect x='6' y='5' width='13' height='5'/><rect x='6' y='14' width='8' height='5'/>"},
    {ID_ALIGN_RIGHT, "<path ACC d='M20 2v20'/><rect x='5' y='5' width='13' height='5'/><rect x='10' y='14' width='8' height='5'/>"},
    {ID_ALIGN_TOP, "<path ACC d='M2 4h20'/><rect x='5' y='6' width='5' height='13'/><rect x='14' y='6' width='5' height='8'/>"},
    {ID_ALIGN_BOTTOM, "<path ACC d='M2 20h20'/><rect x='5' y='5' width='5' height='13'/><rect x='14' y='10' width='5' height='8'/>"},
    {ID_ALIGN_CENTER, "<rect x='4' y='4' width='16' height='16'/><rect x='9' y='9' width='6' height='6'/><path ACC d='M12 1v5M12 18v5M1 12h5M18 12h5'/>"},
    {ID_ALIGN_VERT_CENTER, "<path ACC d='M12 2v20'/><rect x='5' y='5' width='14' height='5'/><rect x='8' y='14' width='8' height='5'/>"},
    {ID_ALIGN_HORZ_CENTER, "<path ACC d='M2 12h20'/><rect x='5' y='5' width='5' height='14'/><rect x='14' y='8' width='5' height='8'/>"},
    {ID_ALIGN_HORZ_SPACING, "<rect x='2' y='6' width='4' height='10'/><rect x='10' y='6' width='4' height='10'/><rect x='18' y='6' width='4' height='10'/><path ACC d='M6 20h4M14 20h4'/>"},
    {ID_ALIGN_VERT_SPACING, "<rect x='6' y='2' width='10' height='4'/><rect x='6' y='10' width='10' height='4'/><rect x='6' y='18' width='10' height='4'/><path ACC d='M20 6v4M20 14v4'/>"},
    {ID_ALIGN_SAME_WIDTH, "<rect x='4' y='3' width='16' height='5'/><rect x='4' y='15' width='16' height='6'/><path ACC d='M4 11.5h16M4 10v3M20 10v3'/>"},
    {ID_ALIGN_SAME_HEIGHT, "<rect x='3' y='4' width='5' height='16'/><rect x='15' y='4' width='6' height='16'/><path ACC d='M11.5 4v16M10 4h3M10 20h3'/>"},
    {ID_ALIGN_SAME_SIZE, "<rect x='3' y='5' width='8' height='8'/><rect x='13' y='5' width='8' height='8'/><path ACC d='M8 17h8M8 20.5h8'/>"},
    // ---- snapping ----
    {ID_SNAP_END, "<path d='M4 20 16 8'/><rect ACC x='15' y='3' width='6' height='6'/>"},
    {ID_SNAP_NEAR, "<path d='M3 20 21 4'/><path ACC d='M8 8l8 8M16 8l-8 8'/>"},
    {ID_SNAP_POINT, "<rect ACC x='7' y='7' width='10' height='10'/><circle cx='12' cy='12' r='1.8'/>"},
    {ID_SNAP_MID, "<path d='M3 19 21 5'/><path ACC d='M12 7.5l4.5 7h-9z'/>"},
    {ID_SNAP_CENTER, "<circle cx='12' cy='12' r='8'/><path ACC d='M12 8v8M8 12h8'/>"},
    {ID_SNAP_INTER, "<path d='M3 5l18 14M3 19 21 5'/><rect ACC x='8.5' y='8.5' width='7' height='7'/>"},
    {ID_SNAP_PERP, "<path d='M3 20h18M12 20V4'/><path ACC d='M12 15h5v5'/>"},
    {ID_SNAP_TAN, "<circle cx='11' cy='13' r='7'/><path d='M2 6h20'/><circle ACC cx='11' cy='6' r='2.5'/>"},
    {ID_SNAP_QUAD, "<circle cx='12' cy='12' r='8'/><path ACC d='M12 1.5l2.5 2.5-2.5 2.5L9.5 4zM22.5 12 20 14.5 17.5 12 20 9.5z'/>"},
    {ID_SNAP_GRID, "<path d='M4 4h.01M12 4h.01M20 4h.01M4 12h.01M20 12h.01M4 20h.01M12 20h.01M20 20h.01' stroke-width='3'/><circle ACF cx='12' cy='12' r='3'/>"},
    {ID_SNAP_GUIDELINE, "<path d='M2 9h20M15 2v20' stroke-dasharray='3 2'/><rect ACC x='12' y='6' width='6' height='6'/>"},
    {ID_SNAP_NAVIGATE, "<circle cx='12' cy='12' r='9'/><path ACF d='M12 4l3 8h-6z'/><path d='M9 12h6l-3 8z'/>"},
    {ID_SNAP_ALL, "<path ACC d='M2 12l3.5 3.5L12 8M10 15.5l3.5 3.5L22 9'/>"},
    // ---- layers (menu items and the strip's buttons) ----
    {ID_LAYER_EDIT, LAYERS "<path ACC d='M14 20l1-3 5-5 2 2-5 5z'/>"},
    {ID_LAYER_ALL_ON, LAYERS "<path ACC d='M12 1.5v3M7 3l1 2M17 3l-1 2'/>"},
    {ID_LAYER_ONE_ON, "<path ACF fill-opacity='0.5' d='M12 4 21 9l-9 5-9-5z'/><path d='M12 4 21 9l-9 5-9-5zM3 14l9 5 9-5'/>"},
    {kStrip + CKxWndTab::kEditLayer, LAYERS "<path ACC d='M14 20l1-3 5-5 2 2-5 5z'/>"},
    {kStrip + CKxWndTab::kAllLayerOn, LAYERS "<path ACC d='M12 1.5v3M7 3l1 2M17 3l-1 2'/>"},
    {kStrip + CKxWndTab::kCurrentLayerOn, "<path ACF fill-opacity='0.5' d='M12 4 21 9l-9 5-9-5z'/><path d='M12 4 21 9l-9 5-9-5zM3 14l9 5 9-5'/>"},
    {kStrip + CKxWndTab::kMoveLeft, "<path ACC d='M15 4 7 12l8 8'/>"},
    {kStrip + CKxWndTab::kDeleteLayer, LAYERS "<path ACC d='M16 17h7'/>"},
    {kStrip + CKxWndTab::kNewLayer, LAYERS "<path ACC d='M16 18h7M19.5 14.5v7'/>"},
    {kStrip + CKxWndTab::kMoveRight, "<path ACC d='M9 4l8 8-8 8'/>"},
};

constexpr int kBarIconSize = 18;    // toolbar and panel buttons are 23 x 22
constexpr int kStripIconSize = 13;  // the layer strip's buttons are 14 x 14

void Replace(std::string& s, const char* what, const char* with) {
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + std::strlen(with)))
    s.replace(at, std::strlen(what), with);
}

bool Render(const CommandIcon& icon, int size, AfxCommandImage& out) {
  QSvgRenderer renderer(QByteArray::fromStdString(CommandIconSvg(icon.body)));
  if (!renderer.isValid()) return false;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
  }
  image = image.convertToFormat(QImage::Format_ARGB32);
  out.size = size;
  out.argb.resize(size_t(size) * size_t(size));
  for (int y = 0; y < size; ++y) std::memcpy(&out.argb[size_t(y) * size_t(size)], image.constScanLine(y), size_t(size) * 4);
  return true;
}
}  // namespace

std::span<const CommandIcon> CommandIcons() { return kIcons; }

std::string CommandIconSvg(const char* body) {
  std::string b = body ? body : "";
  Replace(b, "ACC ", "stroke='#d9692c' ");
  Replace(b, "ACF ", "fill='#d9692c' stroke='none' ");
  return "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 24 24' fill='none' stroke='#24476b' "
         "stroke-width='1.7' stroke-linecap='round' stroke-linejoin='round'>" +
         b + "</svg>";
}

int RegisterCommandIcons() {
  int count = 0;
  for (const CommandIcon& icon : kIcons) {
    const bool strip = icon.id >= kStrip && icon.id < kStrip + UINT(CKxWndTab::kButtonCount);
    AfxCommandImage image;
    if (!Render(icon, strip ? kStripIconSize : kBarIconSize, image)) continue;
    velmora::afx::SetCommandImage(icon.id, std::move(image));
    ++count;
  }
  return count;
}

}  // namespace velmora::app
