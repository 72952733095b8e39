// Owners of the cairo, Pango and GLib objects the Linux layer creates, one
// line each.
#pragma once

#include <cairo.h>
#include <glib.h>
#include <pango/pango.h>

#include "platform/unique_resource.h"

namespace platform {

using UniqueSurface = UniqueAny<cairo_surface_t*, cairo_surface_destroy>;
using UniqueCairo = UniqueAny<cairo_t*, cairo_destroy>;
using UniqueRegion = UniqueAny<cairo_region_t*, cairo_region_destroy>;
using UniqueLayout = UniqueAny<PangoLayout*, g_object_unref>;
using UniqueFontDescription = UniqueAny<PangoFontDescription*, pango_font_description_free>;
using UniqueError = UniqueAny<GError*, g_error_free>;
using UniqueStringList = UniqueAny<gchar**, g_strfreev>;

}  // namespace platform
