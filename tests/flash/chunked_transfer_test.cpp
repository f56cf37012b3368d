// Tests of chunked_transfer.
