/* A client library that offers only the first two functions the product needs, so a loader
   that resolves by name must refuse it. */
int OCIEnvNlsCreate(void) { return 0; }
int OCIHandleAlloc(void) { return 0; }
