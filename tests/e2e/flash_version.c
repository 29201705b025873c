int flashVersionFile;
