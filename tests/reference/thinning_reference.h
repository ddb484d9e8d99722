#pragma once
// Plain, literal versions of the thinning and the point list builder, used to
// check the optimised ones: a keep mask over the whole image, every pixel tested
// every step, and an image-sized mask for the point list.
#include "detect/thinning.h"

int ThinLinesReference(cv::Mat& mask);
int BuildPointListReference(PointList& points, const PatchList& patches, int imageHeight, int imageWidth, bool thin,
                            ColumnMap& columnMap);
