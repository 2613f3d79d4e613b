// Test patterns painted over the whole current image.
#pragma once
void TestPatternRgb();
void TestPatternGrey();
void TestPatternHsv();
void TestPatternYCrCb();
void TestPatternYuv();
void TestPatternYiq();
