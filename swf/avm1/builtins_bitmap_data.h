#pragma once
// flash.display.BitmapData (SWF 8): a script-made bitmap whose pixels live in a BitmapPixels.

#include <memory>

#include "swf/avm1/bitmap_pixels.h"
#include "swf/avm1/object.h"

namespace swf::avm1 {

class Vm;

// The script object of a BitmapData; its pixels are gone (null) once disposed.
class BitmapDataObject : public Object {
public:
    explicit BitmapDataObject(Object* proto) : Object(proto) {}
    std::shared_ptr<BitmapPixels> pixels;
};

// Installs flash.display.BitmapData; after installGeom (it makes flash.geom.Rectangle objects).
void installBitmapData(Vm& vm, Object* global, std::size_t memoryLimit = kMaxScriptBitmapBytes);

}  // namespace swf::avm1
