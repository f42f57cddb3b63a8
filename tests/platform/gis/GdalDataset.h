#pragma once
// A GDAL dataset the GIS tests open, closed when it goes out of scope.
#include <gdal_priv.h>

#include <filesystem>
#include <memory>

namespace kelmora::gistest {

struct DatasetCloser {
    void operator()(GDALDataset* d) const { GDALClose(GDALDataset::ToHandle(d)); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

}  // namespace kelmora::gistest
