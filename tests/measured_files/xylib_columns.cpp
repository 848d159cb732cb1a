#include <memory>

#include "measured_support.hpp"

#ifdef KALIDOS_HAVE_XYLIB
#include <xylib/xylib.h>
#endif

namespace kalidos::testing {

XyColumns xylib_columns(const std::filesystem::path& path, const char* format, int block)
{
    XyColumns columns;
#ifdef KALIDOS_HAVE_XYLIB
    std::unique_ptr<xylib::DataSet> data(xylib::load_file(path.string(), format));
    const xylib::Block* b = data->get_block(block);
    for (int i = 0; i < b->get_point_count(); ++i) {
        columns.x.push_back(b->get_column(1).get_value(i));
        columns.y.push_back(b->get_column(2).get_value(i));
        if (b->get_column_count() > 2)
            columns.z.push_back(b->get_column(3).get_value(i));
    }
#else
    (void)path, (void)format, (void)block;
#endif
    return columns;
}

}  // namespace kalidos::testing
