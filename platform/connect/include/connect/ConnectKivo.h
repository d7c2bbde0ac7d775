/* The message functions of the host's messaging library, with C linkage so that the plug-in
 * calls them exactly as it calls the terminal's own library. Every function returns non-zero
 * on success; its last argument, when not null, receives OTP_OK or the reason of a failure. */
#ifndef CONNECT_CONNECTKIVO_H
#define CONNECT_CONNECTKIVO_H

/* A message: built in a scratch buffer (otp_start_msg) or received from the server. */
typedef struct otp_message_s* MnmHndl;
/* A scratch buffer. The handle addresses the buffer's first byte, which is aligned for a 32-bit
 * word: the caller clears the buffer by zeroing that word (memset(buf, 0, 4)) before starting a
 * new message in it. */
typedef struct otp_scratch_s* BufHndl;
typedef BufHndl TimeBufHndl;
typedef struct sys_time_s* TmHndl;

enum
{
    OTP_OK = 0,
    OTP_ERR_NULL_ARGUMENT = 1,      /* a required pointer is null */
    OTP_ERR_BAD_HANDLE = 2,         /* not a live handle of this library */
    OTP_ERR_BAD_ARGUMENT = 3,       /* size or count out of range, or inconsistent arguments */
    OTP_ERR_NOT_STARTED = 4,        /* the message has no buffer (not started, or the buffer was closed) */
    OTP_ERR_BUFFER_NOT_CLEARED = 5, /* otp_start_msg on a buffer whose first word is not zero */
    OTP_ERR_BUFFER_FULL = 6,        /* the field does not fit; the message is unchanged */
    OTP_ERR_NO_FIELD = 7,           /* the message has no field with that id */
    OTP_ERR_NO_VALUE = 8,           /* the field has no value with that index */
    OTP_ERR_CONVERSION = 9,         /* the text is not wholly a number of the asked type */
    OTP_ERR_MALFORMED = 10,         /* the bytes of the message break the wire format */
    OTP_ERR_NOT_OWNER = 11,         /* the handle belongs to the library (a received message) */
    OTP_ERR_TRANSPORT = 12,         /* the transport refused or is gone */
    OTP_ERR_RELEASED = 13,          /* the control was given back */
    OTP_ERR_NO_MEMORY = 14
};

#define OTP_SCRATCH_SIZE 4096

#ifdef __cplusplus
#define OTP_API extern "C"
#else
#define OTP_API
#endif

OTP_API int otp_ctor_primecb(MnmHndl* message, int* err);
OTP_API int otp_dtor_primecb(MnmHndl message, int* err);

/* size: the bytes of the buffer, at least 4 (the plug-in asks for OTP_SCRATCH_SIZE). */
OTP_API int otp_open_scratch(BufHndl* buffer, int size, int* err);
OTP_API int otp_close_scratch(BufHndl buffer, int* err);

OTP_API int sys_open_time_hndl(TmHndl* time, int* err);
OTP_API int sys_close_time_hndl(TmHndl time, int* err);

/* Binds the message to the buffer and starts a new, empty message there. The buffer's first
 * 32-bit word must have been zeroed by the caller. */
OTP_API int otp_start_msg(MnmHndl message, BufHndl buffer, int* err);

/* Adds 'count' values to the field: 'value' holds that many zero-terminated texts one after the
 * other (one plain C string when count is 1). A new field goes after the others; the values of
 * a field already present follow its values, so a second call adds value 1 (the old value).
 * The field is written into the buffer at once; when it does not fit, nothing changes. */
OTP_API int otp_add_data_as_cstring(MnmHndl message, int fieldId, int count, const char* value, int* err);

/* Succeeds when the field is present; 'valueCount' (may be null) receives its number of values. */
OTP_API int otp_get_field(MnmHndl message, int fieldId, int* valueCount, int* err);

/* Value 'index' of the field (0 the current value, 1 the value before the change). The text
 * stays valid while a received message lives, and for a message being built until it changes. */
OTP_API int otp_get_data_as_cstring(MnmHndl message, int fieldId, int index, const char** value, int* err);
/* The numeric readings accept only a text that is wholly a decimal number of the type: an
 * optional minus sign, digits (and for a double a fraction and exponent), nothing around them.
 * Out-of-range numbers, infinities and NaN fail with OTP_ERR_CONVERSION. */
OTP_API int otp_get_data_as_int(MnmHndl message, int fieldId, int index, int* value, int* err);
OTP_API int otp_get_data_as_long(MnmHndl message, int fieldId, int index, long long* value, int* err);
OTP_API int otp_get_data_as_double(MnmHndl message, int fieldId, int index, double* value, int* err);

#endif
