#include "tests/support/GeoTiffWriter.h"

#include <geotiffio.h>
#include <xtiffio.h>

#include <algorithm>
#include <cstring>

namespace {

// Converts only to the shape's type, so a NaN never meets an integer type.
void PutSample(uint8_t* p, const GeoTiffShape& shape, double v)
{
    auto put = [p](auto value) { memcpy(p, &value, sizeof value); };
    if (shape.sampleFormat == SAMPLEFORMAT_IEEEFP)
        put(float(v));
    else if (shape.bits == 16)
        shape.sampleFormat == SAMPLEFORMAT_INT ? put(int16_t(v)) : put(uint16_t(v));
    else
        put(int32_t(v));
}

}  // namespace

bool WriteGeoTiff(const std::string& path, const GeoTiffShape& shape, const std::vector<double>& samples)
{
    TIFF* tiff = XTIFFOpen(path.c_str(), "w");
    if (!tiff)
        return true;
    for (auto [tag, value] :
         {std::pair<ttag_t, uint32_t>{TIFFTAG_IMAGEWIDTH, shape.width}, {TIFFTAG_IMAGELENGTH, shape.height}})
        TIFFSetField(tiff, tag, value);
    for (auto [tag, value] : {std::pair<ttag_t, uint16_t>{TIFFTAG_BITSPERSAMPLE, shape.bits},
                              {TIFFTAG_SAMPLEFORMAT, shape.sampleFormat},
                              {TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK},
                              {TIFFTAG_COMPRESSION, shape.compression}})
        TIFFSetField(tiff, tag, value);
    if (shape.compression == COMPRESSION_LZW || shape.compression == COMPRESSION_ADOBE_DEFLATE)
        TIFFSetField(tiff, TIFFTAG_PREDICTOR,
                     shape.sampleFormat == SAMPLEFORMAT_IEEEFP ? PREDICTOR_FLOATINGPOINT : PREDICTOR_HORIZONTAL);
    const int blockWidth = shape.tileSide ? shape.tileSide : shape.width,
              blockHeight = shape.tileSide ? shape.tileSide : 2;
    if (shape.tileSide)
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, uint32_t(blockWidth)),
            TIFFSetField(tiff, TIFFTAG_TILELENGTH, uint32_t(blockHeight));
    else
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(blockHeight));
    if (!shape.pixelScale.empty())
        TIFFSetField(tiff, TIFFTAG_GEOPIXELSCALE, uint16_t(shape.pixelScale.size()), shape.pixelScale.data());
    if (!shape.tiepoint.empty())
        TIFFSetField(tiff, TIFFTAG_GEOTIEPOINTS, uint16_t(shape.tiepoint.size()), shape.tiepoint.data());
    if (!shape.matrix.empty())
        TIFFSetField(tiff, TIFFTAG_GEOTRANSMATRIX, uint16_t(shape.matrix.size()), shape.matrix.data());
    static const TIFFFieldInfo nodata[] = {
        {42113, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALNoDataValue")}};
    if (!shape.nodata.empty())  // merged unless the reader's tag extender has been here first
        TIFFMergeFieldInfo(tiff, nodata, 1), TIFFSetField(tiff, 42113, shape.nodata.c_str());
    GTIF* keys = GTIFNew(tiff);
    GTIFKeySet(keys, GTModelTypeGeoKey, TYPE_SHORT, 1, shape.modelType);
    GTIFKeySet(keys, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea);
    if (shape.linearUnits)
        GTIFKeySet(keys, ProjLinearUnitsGeoKey, TYPE_SHORT, 1, shape.linearUnits);
    GTIFWriteKeys(keys);
    GTIFFree(keys);
    // Block by block, padded with zeros past the picture's edges.
    const size_t bytes = shape.bits / 8;
    std::vector<uint8_t> block(size_t(blockWidth) * blockHeight * bytes);
    bool failed = false;
    for (int top = 0, index = 0; top < shape.height; top += blockHeight)
        for (int left = 0; left < shape.width; left += blockWidth, ++index) {
            std::fill(block.begin(), block.end(), 0);
            for (int y = top; y < std::min(top + blockHeight, shape.height); ++y)
                for (int x = left; x < std::min(left + blockWidth, shape.width); ++x)
                    PutSample(&block[(size_t(y - top) * blockWidth + (x - left)) * bytes], shape,
                              samples[size_t(y) * shape.width + x]);
            size_t size =
                shape.tileSide ? block.size() : size_t(std::min(blockHeight, shape.height - top)) * blockWidth * bytes;
            failed |= (shape.tileSide ? TIFFWriteEncodedTile(tiff, uint32_t(index), block.data(), tmsize_t(size))
                                      : TIFFWriteEncodedStrip(tiff, uint32_t(index), block.data(), tmsize_t(size))) < 0;
        }
    XTIFFClose(tiff);
    return failed;
}
