# Velkor's version, one place for the program's build and the fuzz targets' (whose core libraries
# put it in the HTTP user agent).
set(velkor_version 1.0.6)
