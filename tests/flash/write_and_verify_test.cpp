// Tests of write_and_verify.
